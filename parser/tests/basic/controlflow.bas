' If, Select Case, the loops, Exit and For Each.

Function T()
 Dim x As Long
 x = 5
 If x > 3 Then
  T = 1
 ElseIf x > 1 Then
  T = 2
 Else
  T = 3
 End If
End Function
' expect: 1

Function T()
 Dim x As Long
 x = 2
 If x > 3 Then
  T = 1
 ElseIf x > 1 Then
  T = 2
 Else
  T = 3
 End If
End Function
' expect: 2

Function T()
 Dim x As Long
 If x > 3 Then
  T = 1
 Else
  T = 3
 End If
End Function
' expect: 3

Function T()
 If 1 > 2 Then T = 1 Else T = 2
End Function
' expect: 2

Function T()
 Dim r As Long
 Select Case 7
 Case 1, 2
  r = 1
 Case 3 To 6
  r = 2
 Case Is >= 7
  r = 3
 Case Else
  r = 4
 End Select
 T = r
End Function
' expect: 3

Function T()
 Dim r As Long
 Select Case 4
 Case 1, 2
  r = 1
 Case 3 To 6
  r = 2
 Case Else
  r = 4
 End Select
 T = r
End Function
' expect: 2

Function T()
 Dim r As Long
 Select Case 99
 Case 1
  r = 1
 Case Else
  r = 4
 End Select
 T = r
End Function
' expect: 4

Function T() As String
 Dim r As String
 Select Case "b"
 Case "a"
  r = "A"
 Case "b", "c"
  r = "BC"
 End Select
 T = r
End Function
' expect: BC

Function T() As String
 Dim i As Long, s As String
 For i = 1 To 6
  Select Case i
  Case Is < 2
   s = s & "a"
  Case Is <= 2
   s = s & "b"
  Case Is == 3
   s = s & "c"
  Case Is > 5
   s = s & "f"
  Case Is <> 4
   s = s & "e"
  Case Else
   s = s & "d"
  End Select
 Next
 T = s
End Function
' expect: abcdef

Function T()
 Dim i As Long
 Do While i < 5
  i = i + 1
 Loop
 T = i
End Function
' expect: 5

Function T()
 Dim i As Long
 Do Until i >= 5
  i = i + 2
 Loop
 T = i
End Function
' expect: 6

Function T()
 Dim i As Long
 Do
  i = i + 1
 Loop While i < 3
 T = i
End Function
' expect: 3

Function T()
 Dim i As Long
 Do
  i = i + 1
 Loop Until i = 4
 T = i
End Function
' expect: 4

Function T()
 Dim i As Long
 i = 10
 Do
  i = i + 1
 Loop Until i > 5
 T = i
End Function
' expect: 11

Function T()
 Dim i As Long
 Do
  i = i + 1
  If i = 7 Then Exit Do
 Loop
 T = i
End Function
' expect: 7

Function T()
 Dim i As Long
 While i < 4
  i = i + 1
 Wend
 T = i
End Function
' expect: 4

Function T()
 Dim i As Long, s As Long
 For i = 1 To 10
  s = s + i
 Next i
 T = s
End Function
' expect: 55

Function T()
 Dim i As Long, s As Long
 For i = 10 To 1 Step -3
  s = s * 10 + i
 Next
 T = s
End Function
' expect: 10741

Function T()
 Dim i As Long
 For i = 1 To 100
  If i * i > 50 Then Exit For
 Next i
 T = i
End Function
' expect: 8

Function T()
 Dim i As Long, j As Long, s As Long
 For i = 1 To 3: For j = 1 To 3: s = s + 1: Next j: Next i
 T = s
End Function
' expect: 9

Function T()
 T = 1
 Exit Function
 T = 2
End Function
' expect: 1

Function T()
 Dim a(1 To 3) As Long, v As Long, s As Long
 a(1) = 1: a(2) = 2: a(3) = 4
 For Each v In a
  s = s + v
 Next
 T = s
End Function
' expect: 7
