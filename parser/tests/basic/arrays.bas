' Arrays: bounds, several dimensions, ReDim, arrays passed to procedures.

Function T()
 Dim a(5) As Long
 a(5) = 7
 T = a(5) + UBound(a) + LBound(a)
End Function
' expect: 12

Function T()
 Dim a(1 To 3) As Long, i As Long, s As Long
 For i = 1 To 3
  a(i) = i * i
 Next i
 For i = 1 To 3
  s = s + a(i)
 Next i
 T = s
End Function
' expect: 14

Function T()
 Dim a(1 To 2, 1 To 3) As Long
 a(2, 3) = 9
 T = a(2, 3) + UBound(a, 2)
End Function
' expect: 12

Function T() As String
 Dim s(2) As String
 s(1) = "x"
 s(2) = "y"
 T = s(1) & s(2)
End Function
' expect: xy

Function T()
 Dim a(3) As Long
 a(4) = 1
 T = 0
End Function
' error:  @3

Function T()
 Dim a() As Long
 ReDim a(4)
 a(4) = 2
 T = UBound(a) * a(4)
End Function
' expect: 8

Function T()
 Dim a() As Long
 ReDim a(2)
 a(1) = 5
 ReDim Preserve a(6)
 T = a(1) + UBound(a)
End Function
' expect: 11

Sub Fill(b() As Long)
 b(1) = 42
End Sub
Function T()
 Dim a(2) As Long
 Fill a
 T = a(1)
End Function
' expect: 42
