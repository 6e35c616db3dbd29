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

' Numeric elements of every width keep their type: stores convert, reads give it back.
Function T() As String
 Dim i(2) As Integer, l(2) As Long, f(2) As Single, d(2) As Double, c(2) As Currency
 i(1) = 2.5
 l(1) = 70000.6
 f(1) = 1.5
 d(1) = 1 / 4
 c(1) = 1.23456
 T = i(1) & " " & l(1) & " " & f(1) & " " & d(1) & " " & c(1) & " " & i(0) & " " & c(2)
End Function
' expect: 2 70001 1.5 0.25 1.2346 0 0

' An Integer element refuses a value beyond its range and keeps its old value.
Function T()
 Dim a(2) As Integer
 a(1) = 5
 Try
  a(1) = 40000
 Catch
 End Try
 T = a(1)
End Function
' expect: 5

' Redim Preserve keeps typed elements at their indexes, new ones start at zero.
Function T() As String
 Dim a(1 To 3) As Double, i As Long, s As String
 For i = 1 To 3
  a(i) = i + 0.5
 Next i
 ReDim Preserve a(1 To 5)
 For i = 1 To 5
  s = s & a(i) & ";"
 Next i
 T = s
End Function
' expect: 1.5;2.5;3.5;0;0;

' Two dimensions of Single, filled and summed; an index of another type is converted.
Function T()
 Dim m(1 To 3, 1 To 4) As Single, i As Integer, j As Double, s As Single
 For i = 1 To 3
  For j = 1 To 4
   m(i, j) = i * j
  Next j
 Next i
 For i = 1 To 3
  s = s + m(i, 4)
 Next i
 T = s + m(2, 1.6)
End Function
' expect: 28

' For Each over a Long array sees every element.
Function T()
 Dim a(1 To 4) As Long, e, s As Long
 a(1) = 1: a(2) = 10: a(3) = 100: a(4) = 1000
 For Each e In a
  s = s + e
 Next
 T = s
End Function
' expect: 1111

' A typed array passed by reference is changed in place.
Sub Fill(a() As Long)
 a(2) = 42
End Sub
Function T()
 Dim a(1 To 3) As Long
 Fill a
 T = a(2)
End Function
' expect: 42

' Texts in an array: both ends, Redim Preserve keeping them, a ByRef element changed in place.
Sub Twice(s As String)
 s = s & s
End Sub
Function T() As String
 Dim a(-2 To 2) As String, i As Long, r As String
 For i = -2 To 2
  a(i) = "e" & i
 Next i
 Twice a(2)
 ReDim Preserve a(-2 To 4)
 a(4) = "z"
 For i = LBound(a) To UBound(a)
  r = r & a(i) & ";"
 Next i
 ReDim Preserve a(-2 To -1)
 T = r & UBound(a) & a(-1)
End Function
' expect: e-2;e-1;e0;e1;e2e2;;z;-1e-1

Function T() As String
 Dim a(1 To 3) As String
 T = a(4)
End Function
' error: 32736

Function T() As String
 Dim a(1 To 3) As String
 T = a(0)
End Function
' error: 32736
